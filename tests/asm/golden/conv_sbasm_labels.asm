; SB-Assembler convention, labels: a label alone on its line with a
; comment after ";", .name labels local to the last ordinary label, ]1
; inside a macro, quotes inside quotes, a value too wide for a byte cut
; to its low byte, "*" comment lines.
        .CR     8048
* a comment line may start with "*" in column 1
        .OR     $010
FIRST   ; the comment after a lone label needs its ";"
.LOOP   DJNZ    R2,.LOOP        ; @0010 = EA 10
SECOND
.LOOP   DJNZ    R3,.LOOP        ; @0012 = EB 12
        JMP     FIRST           ; @0014 = 04 10
LOAD    .MA
        MOV     A,#]1
        .EM
        >LOAD   'Q'             ; @0016 = 23 51
        .DB     $1FF            ; @0018 = FF
        MOV     A,#$123         ; @0019 = 23 23
        .AS     "it's"          ; @001B = 69 74 27 73
        .DB     '"'             ; @001F = 22
        .BS     2
        .DB     1               ; @0022 = 01
        .OR     $030
        JMP     SECOND          ; @0030 = 04 12
