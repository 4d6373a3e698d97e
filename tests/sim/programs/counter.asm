; A 7-segment digit on P1 (segments a-g on P1.0-P1.6, decimal point on
; P1.7, common anode: a low pin lights its segment) counts 0 to 9 and round
; again, a digit every four timer overflows: 4 * 256 * 32 = 32768 cycles.
        cpu 8048
        org 0
        mov r2,#0               ; the digit
        clr a
        mov t,a
        strt t
show:   mov a,r2
        add a,#lo(segments)
        movp a,@a
        outl p1,a
        mov r3,#4
wait:   jtf tick
        jmp wait
tick:   djnz r3,wait
        inc r2
        mov a,r2
        xrl a,#10
        jnz show
        mov r2,#0
        jmp show
segments:
        db 0C0h,0F9h,0A4h,0B0h,099h,092h,082h,0F8h,080h,090h
