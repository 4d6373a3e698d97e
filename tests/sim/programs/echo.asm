; Echo at 9600 bit/s, 8N1, sent on P2.7, received on T0: a prompt ">",
; then every character received is sent back. At 6 MHz a bit is 41.7
; cycles: DLY 14 and DH 28 give 42; at 4 MHz (27.8) DLY 7 and DH 17 give 28.
        cpu 8048
DLY     equ 14          ; a bit is 14 + 2 * DLY cycles
DH      equ 28          ; 1.5 bits from the start edge to the first sample
        org 0
        jmp start
        org 10h
start:  orl p2,#80h     ; line idle
        mov a,#'>'
        call putc
loop:   call getc
        call putc
        jmp loop

; putc: sends A; every bit 14 + 2 * DLY cycles from port write to port write
putc:   mov r6,a
        mov r5,#8
        anl p2,#7Fh     ; start bit
        mov r7,#DLY
        djnz r7,$
        nop
        nop
        nop
        nop
pbit:   mov a,r6
        rrc a
        mov r6,a
        nop
        jc pone
        anl p2,#7Fh
        jmp psent
pone:   orl p2,#80h
        jmp psent
psent:  mov r7,#DLY
        djnz r7,$
        djnz r5,pbit
        nop
        nop
        nop
        nop
        nop
        nop
        orl p2,#80h     ; stop bit
        mov r7,#DLY
        djnz r7,$
        ret

; getc: waits for a start bit on T0 and returns the byte in A
getc:   jt0 getc
        mov r7,#DH
        djnz r7,$
        mov r5,#8
gbit:   jt0 gone
        clr c
        jmp gnext
gone:   clr c
        cpl c
        nop
gnext:  mov a,r6
        rrc a
        mov r6,a
        nop
        nop
        mov r7,#DLY
        djnz r7,$
        djnz r5,gbit
        mov a,r6
        ret
