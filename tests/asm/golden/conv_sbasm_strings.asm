; SB-Assembler convention, .AS and .AZ: strings between any two equal
; characters (blanks and commas inside), #expression items among them,
; "-" before the first string sets bit 7 of its bytes.
        .CR     8048
        .OR     $000
        .AS     /a b/   with a comment      ; @0000 = 61 20 62
        .AS     -/Te/                       ; @0003 = D4 E5
        .AS     #$0D,/x,y/,#$0A,\q\         ; @0005 = 0D 78 2C 79 0A 71
        .AZ     "hi"                        ; @000B = 68 69 00
        .AS     "it's"                      ; @000E = 69 74 27 73
NAME    .AS     'Q'                         ; @0012 = 51
        .AS     #1+2                        ; @0013 = 03
        .DB     NAME                        ; @0014 = 12
