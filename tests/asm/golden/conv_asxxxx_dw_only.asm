; No .equ, .area or other mark of its own: a .dw line alone says the source
; is not the plain dialect's, and the ASxxxx/asm48 convention reads it
; ($ before hex digits, .dw and .db lists, a label with colon).
        addc    a,#$1F          ; @0000 = 13 1F
        .dw     table           ; = 04 00
table:  .db     $0A,$0B         ; @0004 = 0A 0B
