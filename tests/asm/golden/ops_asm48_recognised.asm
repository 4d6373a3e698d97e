; asm48 without .equ: $5, .dw and .db lists say which convention it is.
        addc    a,#$5           ; = 13 05
        .dw     L               ; = 04 00
L:      .db     1,2             ; = 01 02
