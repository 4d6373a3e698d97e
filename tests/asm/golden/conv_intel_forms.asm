$MOD48
$TITLE(FORMS)
; Intel ASM48 convention, its operators in full: HIGH and LOW with and
; without parentheses, MOD SHL SHR AND OR XOR NOT, suffixed numbers in
; every radix, blanks inside expressions, upper and lower case alike.
VALUE   EQU     1234H
MASKS   SET     0F0H
        ORG     20H
START:  MOV     A,#HIGH(VALUE)          ; @0020 = 23 12
        MOV     A,#LOW (VALUE + 1)      ; = 23 35
        MOV     A,#VALUE MOD 10H        ; = 23 04
        MOV     A,#1 SHL 3 OR 1         ; = 23 09
        MOV     A,#80H SHR 3            ; = 23 10
        MOV     A,#(0FH AND 3CH) XOR 1  ; = 23 0D
        MOV     A,#NOT MASKS AND 0FFH   ; = 23 0F
        mov     a,#17o + 17q + 101b     ; = 23 23
        Mov     A,#( 1 + 2 ) * 3        ; = 23 09
        ADD     A,#12D                  ; = 03 0C
        JMP     START                   ; @0034 = 04 20
        END
