; A chain of eleven equ values, each naming the next one defined further on.
k01     equ k02
k02     equ k03
k03     equ k04
k04     equ k05
k05     equ k06
k06     equ k07
k07     equ k08
k08     equ k09
k09     equ k10
k10     equ k11
k11     equ 12h
        mov a,#k01              ; = 23 12
        org k01
        jmp begin               ; @0012 = 04 14
begin:  nop                     ; @0014 = 00
cnt     equ cnt1
        jmp cnt                 ; @0015 = 04 17
cnt1:   nop                     ; @0017 = 00
