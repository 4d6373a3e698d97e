; LED chaser on P1: one LED lit (LEDs to +5 V, so a low pin lights it),
; moving from P1.0 up and round again, a step every 40007 cycles (about
; 100 ms at 6 MHz).
        cpu 8048
        org 0
        mov a,#0FEh             ; 2 cycles
next:   outl p1,a               ; 2
        mov r6,#80              ; 2
outer:  mov r7,#248             ; 2
        djnz r7,$               ; 2 each
        djnz r6,outer           ; 2: 80 * (2 + 496 + 2) = 40000
step:   rl a                    ; 1
        jmp next                ; 2
