.equ X, 1
; asm48: %binary, "#" before a term inside an expression, C's ranks with
; && and || below |.
        mov     a,#%1111        ; = 23 0F
        mov     r0,#4 + #5      ; = B8 09
        .db     14 && 0b1101 | 0xD8     ; = 01
        .db     0 || 2 & 3      ; = 01
