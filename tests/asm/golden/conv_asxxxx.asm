; ASxxxx/as8048 convention: .module and .area, "name = value", .equ with
; the name first, radix prefixes, < and > for the low and high byte, 1$:
; labels local between ordinary labels, "." as the location counter.
        .module blink
        .area   CODE (ABS)
        .org    0
        cnt = 5
        .equ    mask, 0x0F
start:  mov     r2,#cnt         ; @0000 = BA 05
        mov     a,#0b1010       ; = 23 0A
        anl     a,#mask         ; = 53 0F
        mov     r0,#<msg        ; = B8 20
        mov     r1,#>msg        ; = B9 01
1$:     djnz    r2,1$           ; @000A = EA 0A
        jnz     2$              ; = 96 0E
2$:     jmp     .               ; @000E = 04 0E
next:
1$:     djnz    r3,1$           ; @0010 = EB 10
        .org    0x120
msg:    .ascii  "OK"            ; @0120 = 4F 4B
        .asciz  "A"             ; = 41 00
        .byte   'x, 0o17, 0q7, 0d10, 0h1F, $FF ; = 78 0F 07 0A 1F FF
        .word   msg             ; @012A = 20 01
        .db     >msg            ; = 01
        .ds     2
        .db     msg             ; @012F = 20
