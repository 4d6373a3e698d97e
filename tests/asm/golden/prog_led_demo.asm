; Program in the style of an LED demo for an 8049 board: eight patterns
; built by a rept loop, looked up through movp with lo(), register aliases,
; nested djnz delays, and the rest of page 0 filled by a while loop.
        cpu 8049
        title "LED-Lauflicht"
idx     reg r4
outer   reg r5
STEPS   equ 8

        org 0
        jmp main
        org 10h
main:   mov idx,#0
loop:   mov a,idx
        add a,#lo(pattern)
        movp a,@a
        cpl a                   ; the LEDs light on a low level
        outl p1,a
        call wait
        inc idx
        mov a,idx
        xrl a,#STEPS
        jnz loop
        jmp main

wait:   mov outer,#200
w1:     mov r7,#250
        djnz r7,$
        djnz outer,w1
        ret

pattern:
bit     set 1
        rept STEPS
        db bit
bit     set bit << 1
        endm
        while $ < 0FFh
        db 0FFh
        endm
        db 55h                  ; @00FF = 55
        end
; ! image: 04 10 00 00 00 00 00 00 00 00 00 00 00 00 00 00
; ! image: BC 00 FC 03 2B A3 37 39 14 22 1C FC D3 08 96 12
; ! image: 04 10 BD C8 BF FA EF 26 ED 24 83 01 02 04 08 10
; ! image: 20 40 80
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF FF
; ! image: FF FF FF FF FF FF FF FF FF FF FF FF 55
