; Eleven definitions, each naming the next one defined further on, settle
; in one go; so do "set" and "=" chains, a chain through a label and "$",
; and a value used before its chain is defined.
        cpu     8048
        mov     a,#x1           ; @0000 = 23 12
x1      equ     x2
x2      equ     x3
x3      equ     x4
x4      equ     x5
x5      equ     x6
x6      equ     x7
x7      equ     x8
x8      equ     x9
x9      equ     x10
x10     equ     x11
x11     equ     12h
        org     x1
        jmp     x1              ; @0012 = 04 12
s1      set     s2+1
s2      =       here
here:   mov     a,#s1           ; @0014 = 23 15
at      equ     $+later         ; the place of the line, then the value
        db      at              ; @0016 = 18
later   equ     2
