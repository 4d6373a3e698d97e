; Setting the location counter the ways the conventions write it besides
; org: ASxxxx ". = expr" with .ds and .blkb; 1$ labels local between
; two ordinary labels.
        .area   CODE (ABS)
        .8048
        .org    0x10
        .blkb   1
        .byte   1               ; @0011 = 01
        . = . + 1
        .byte   2               ; @0013 = 02
        .ds     2
        .byte   3               ; @0016 = 03
1$:     djnz    r2,1$           ; @0017 = EA 17
        jmp     2$              ; @0019 = 04 1C
        nop                     ; @001B = 00
2$:     nop                     ; @001C = 00
lab:    jmp     1$              ; @001D = 04 1F
1$:     nop                     ; @001F = 00
