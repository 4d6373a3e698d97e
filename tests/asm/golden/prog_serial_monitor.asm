; Program in the style of a published 8048 monitor: bit-banged serial output
; on P1.0, messages as strings with CR LF printed through movp with lo()
; pointers, a macro per message, delays with djnz r7,$.
        cpu 8048
        page
TXBIT   equ 01h
BAUD    equ 12
CR      equ 0Dh
LF      equ 0Ah

putmsg  macro msg
        mov r0,#lo(msg)
        call puts
        endm

        org 0
reset:  jmp start
        org 3
        retr
        org 7
        retr

start:  mov a,#0FFh
        outl p1,a
        putmsg hello
        putmsg prompt
idle:   jmp idle

; puts: sends the text at r0 (in this page) up to its 0 byte
puts:   mov a,r0
        movp a,@a
        jz done
        call putc
        inc r0
        jmp puts
done:   ret

; putc: sends A as 8N1 on P1.0, least significant bit first
putc:   mov r2,a
        anl p1,#~TXBIT & 0FFh   ; start bit
        call bitdly
        mov r3,#8
bits:   mov a,r2
        rrc a
        mov r2,a
        jc one
        anl p1,#0FEh
        jmp next
one:    orl p1,#TXBIT
next:   call bitdly
        djnz r3,bits
        orl p1,#TXBIT           ; stop bit, then one bit time
bitdly: mov r7,#BAUD
        djnz r7,$
        ret

hello:  db "8048 Monitor",CR,LF,0
prompt: db "> ",0
        end
; ! image: 04 08 00 93 00 00 00 93 23 FF 39 B8 3C 14 15 B8
; ! image: 4B 14 15 04 13 F8 A3 C6 1E 14 1F 18 04 15 83 AA
; ! image: 99 FE 14 37 BB 08 FA 67 AA F6 2F 99 FE 04 31 89
; ! image: 01 14 37 EB 26 89 01 BF 0C EF 39 83 38 30 34 38
; ! image: 20 4D 6F 6E 69 74 6F 72 0D 0A 00 3E 20 00
