; Keys to LEDs: four keys on P2.0-P2.3 (a pressed key pulls its pin low)
; light the LEDs on P1.0-P1.3 (lit at a low pin) while they are held; each
; press of the key on T0 switches the LED on P1.7 on or off.
        cpu 8048
        org 0
        mov r2,#0FFh            ; P1.7 off
        mov r3,#0               ; T0 key was up
loop:   jt0 up
        mov a,r3
        jnz show                ; still the same press
        mov r3,#1
        mov a,r2
        xrl a,#80h
        mov r2,a
        jmp show
up:     mov r3,#0
show:   in a,p2
        orl a,#0F0h
        anl a,r2
        outl p1,a
        jmp loop
