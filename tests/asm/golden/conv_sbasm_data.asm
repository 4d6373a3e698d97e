; SB-Assembler data and layout directives: .DA with # (low byte) and /
; (high byte) items, .DR high byte first, .DL long words, .HS hex strings,
; .AT with the last character's bit 7 inverted, .AS with a leading "-" for
; every byte of the line, .BS and .NO with a fill byte, .DW keeping the low
; 16 bits, a blank after a comma, "*" as the location counter and
; GLOBAL:local references.
        .CR     8048
        .TF     data.bin,BIN
        .OR     $000
        NOP                     ; @0000 = 00
        JMP     *               ; @0001 = 04 01
        JF0     *               ; @0003 = B6 03
        MOV     A, #$21         ; @0005 = 23 21
        .DB     3, 4            ; @0007 = 03 04
WORD    .EQ     $0456
        .DA     #WORD,/WORD,WORD ; @0009 = 56 04 56 04
        .DR     WORD            ; @000D = 04 56
        .DL     $01020304       ; @000F = 04 03 02 01
        .HS     A0B1C2          ; @0013 = A0 B1 C2
        .HS     0D0A.00         ; @0016 = 0D 0A 00
        .AT     /Go/            ; @0019 = 47 EF
        .AS     -/Hi/,/ok/,#$0D ; @001B = C8 E9 EF EB 8D
        .AS     -#$30,/0/       ; @0020 = B0 B0
MSG:    .AS     /No/            ; @0022 = 4E 6F
MSG2:   .AZ     !A b!           ; @0024 = 41 20 62 00
        .BS     2,$76           ; @0028 = 76 76
        .BS     2
        .NO     $02E,$EE        ; @002C = EE EE
        .DW     $20000+$1234,-1 ; @002E = 34 12 FF FF
FIRST   NOP                     ; @0032 = 00
.1      JMP     .1              ; @0033 = 04 33
SECOND  JMP     FIRST:1         ; @0035 = 04 33
.1      JMP     SECOND:1        ; @0037 = 04 37
        JMP     .1              ; @0039 = 04 37
