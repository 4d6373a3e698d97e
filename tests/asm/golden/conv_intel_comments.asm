; Intel's convention: after the last operand, text without ";" is a comment
; (disassembler listings put the bytes and characters there). A source that
; names its files with INCLUDE(file) or INCLUDE file is Intel's, not the
; macro assembler's.
        ORG     0
        DB      46H   46 F.     ; @0000 = 46
        DB      'AB', 0     41 42 00 AB.  ; = 41 42 00
        MOV     A,#LOW 1234H   23 34      ; = 23 34
        MOV     A,#HIGH (1234H)  high byte ; = 23 12
        ANL     A,#0FH AND 3  both bits    ; = 53 03
        ADD     A,#7 MOD 4      ; = 03 03
        JMP     NEXT   jump over it       ; = 04 0E
NEXT:   MOV     R2,#2   BA 02 ..          ; @000E = BA 02
        RET     83 .                      ; @0010 = 83
        NOP     back to the loop          ; = 00
        INCLUDE(part_intel.inc)
        INCLUDE part_intel.inc
        END
; ! image: 46 41 42 00 23 34 23 12 53 03 03 03 04 0E BA 02 83 00 17 17
