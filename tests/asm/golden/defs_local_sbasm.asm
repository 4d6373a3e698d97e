; SB-Assembler convention: a .name defined by .EQ is local to the last
; ordinary label like a .name label, read there also before its line.
        .CR     8048
        .OR     $000
FIRST   MOV     A,#.STEP        ; @0000 = 23 07
.STEP   .EQ     .NEXT
.NEXT   .EQ     7
SECOND  MOV     A,#.STEP        ; @0002 = 23 02
.STEP   .EQ     2
