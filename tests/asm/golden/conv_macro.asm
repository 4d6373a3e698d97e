; The macro assembler's convention completed: ifdef/ifndef, ! as exclusive
; or, relaxed on, $hex, message.
        cpu     8048
        relaxed on
MASK    equ     0Fh
        ifdef   MASK
        mov     a,#0FFh ! MASK  ; @0000 = 23 F0
        endif
        ifndef  NOT_DEFINED_HERE
        mov     r0,#'j'!'w'     ; = B8 1D
        endif
        ifdef   NOT_DEFINED_HERE
        nop
        endif
        jmp     $103            ; @0004 = 24 03
        org     $103
        nop                     ; @0103 = 00
        message "fertig"
LIMIT   .equ    20h             ; a dot directive in column 1 is no label
        .equ    STEP, 2
        mov     r1,#LIMIT+STEP  ; @0104 = B9 22
