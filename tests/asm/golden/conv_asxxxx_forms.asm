; ASxxxx/as8048 convention, more of its forms: .8048, conditionals, "."
; as the location counter inside data, radix prefixes and suffixes, blanks
; inside expressions, a value too large for a byte cut to its low byte.
        .module forms
        .area   CODE (ABS)
        .8048
        .equ    n, 5
        .org    0x10
        mov     a,#n            ; @0010 = 23 05
        .if     n-5
        nop
        .else
        clr     a               ; @0012 = 27
        .endif
        .ifdef  n
        cpl     a               ; @0013 = 37
        .endif
        .ifndef n
        nop
        .endif
        .byte   .               ; @0014 = 14
        .word   0x1234          ; @0015 = 34 12
        .word   .               ; @0017 = 17 00
        .ds     1
        mov     a,#(1 + 2) * 2  ; @001A = 23 06
        mov     a,#0b101        ; = 23 05
        mov     a,#0o17 + 17o   ; = 23 1E
        mov     a,#0x1F ^ 0h10  ; = 23 0F
        mov     a,#<0x1234      ; = 23 34
        .db     0x1FF, >0x1234  ; @0024 = FF 12
        jmp     .               ; @0026 = 04 26
        .end
