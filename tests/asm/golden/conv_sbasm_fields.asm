; SB-Assembler convention: fields end at blanks, so whatever follows the
; operand field is a comment, with or without ";" (listings of a
; disassembler, fixed-field sources); quoted text keeps its blanks.
        .CR     8048
        .OR     $000
VAL     .EQ     $21     the value used below
        .DB     $06     06 ?.                   ; @0000 = 06
        MOV     A,#5    load five               ; @0001 = 23 05
        MOV     R1,#VAL+1       one more        ; @0003 = B9 22
        ADD     A,#'A'  a letter                ; @0005 = 03 41
        .AS     "A B"   blanks inside quotes    ; @0007 = 41 20 42
        .DA     $1234   a word, low byte first  ; @000A = 34 12
        .DB     1,2,3   three bytes             ; @000C = 01 02 03
LOOP    DJNZ    R2,LOOP back to the label       ; @000F = EA 0F
        NOP     wait a cycle                    ; @0011 = 00
        JMP     $       forever                 ; @0012 = 04 12
SHOW    .MA
        MOV     A,#]1   the first parameter
        .EM
        >SHOW   $7E     call with a comment     ; @0014 = 23 7E
        .DB     VAL                             ; @0016 = 21
        RET     back to the caller              ; @0017 = 83
