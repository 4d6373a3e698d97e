; SB-Assembler convention (.CR 8048): two-letter directives, labels without
; colon, .name labels local to the last ordinary label, $hex and %binary,
; expressions left to right with ! as exclusive or and ^ as or, / for the
; high byte, values cut to their low byte, macros with ]1 parameters.
        .CR     8048
        .TF     blink.bin,BIN
        .OR     $000
COUNT   .EQ     %00000110
PORT    .EQ     $3C
MAIN    MOV     R5,#COUNT       ; @0000 = BD 06
        MOV     A,#PORT+1*2     ; = 23 7A
        ORL     A,#%1000!%0001  ; = 43 09
        ANL     A,#$F0^$0F      ; = 53 FF
        MOV     R6,#/TABLE      ; = BE 01
.LOOP   DJNZ    R5,.LOOP        ; @000A = ED 0A
SUB     NOP                     ; @000C = 00
.LOOP   DJNZ    R6,.LOOP        ; @000D = EE 0D
        .OR     $180
TABLE   .DB     1,2             ; @0180 = 01 02
        .AZ     "ok"            ; = 6F 6B 00
        .BS     3
        .NO     $190
        .DB     $1FF            ; @0190 = FF
LOADA   .MA
        MOV     A,#]1
        ADD     A,#]2
        .EM
        .MA     CLEAR
        CLR     A
        .EM
        >LOADA  $10,%11         ; @0191 = 23 10 03 03
        >CLEAR                  ; @0195 = 27
