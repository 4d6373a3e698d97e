$MOD48
$NOLIST
$INCLUDE(intel_defs.inc)
; Intel ASM48 convention: control lines, HIGH/LOW without parentheses, the
; word operators, EQ giving all ones, $ as the location counter.
BUFSZ   EQU     10H
        ORG     0
START:  MOV     R0,#LOW TABLE           ; @0000 = B8 23
        MOV     R1,#HIGH TABLE          ; = B9 01
        MOV     A,#BUFSZ SHL 2          ; = 23 40
        ADD     A,#5 MOD 3              ; = 03 02
        ANL     A,#NOT 0F0H AND 0FFH    ; = 53 0F
        MOV     A,#'A'                  ; = 23 41
        JMP     $                       ; @000C = 04 0C
        MOV     A,#DEFVAL               ; = 23 77
        ORG     123H
TABLE:  DB      1, 2 EQ 2               ; @0123 = 01 FF
        END
