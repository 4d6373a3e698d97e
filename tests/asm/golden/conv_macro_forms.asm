; The macro assembler's convention, more forms: an include found in other
; letter case whose END ends only that file, upper case throughout,
; $hex and 0x hex, ! as exclusive or, blanks inside expressions.
        CPU     8048
        RELAXED ON
        INCLUDE "MACRO_TUNES.INC"       ; @0000 = BD 3C
        MOV     A,#$1F ! 0x10   ; @0002 = 23 0F
        MOV     A,#(1 + 2) * 3  ; = 23 09
        ORL     A,#TUNE ! 0FFH  ; = 43 C3
        MOV     R6,#101B << 1   ; = BE 0A
        JMP     $               ; @000A = 04 0A
        END
