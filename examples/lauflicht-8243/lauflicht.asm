; Lauflicht-8243: ein 8048 treibt ueber einen 8243 an P20-P23 und PROG
; 16 LEDs an P4-P7 (P4.0 ist die erste, P7.3 die letzte). Ein Licht laeuft
; alle 50 ms eine LED weiter, nach P7.3 wieder bei P4.0. Die LEDs leuchten
; bei 1. Die Platine beschreibt lauflicht.ini.
;   R2 = Port des Lichts (0-3 fuer P4-P7), R3 = sein Bit (1, 2, 4, 8)
        cpu 8048

        org 0
start:  mov r2,#0               ; das Licht beginnt bei P4.0
        mov r3,#1
loop:   call show
        mov r6,#50              ; 50 ms
        call wait_ms
        mov a,r3                ; naechstes Bit
        rl a
        mov r3,a
        jb4 nextport            ; ueber Bit 3 hinaus: naechster Port
        jmp loop
nextport:
        mov r3,#1
        inc r2
        mov a,r2
        anl a,#03h              ; nach P7 wieder P4
        mov r2,a
        jmp loop

; Alle vier Ports: der Port des Lichts bekommt R3, die anderen 0.
show:   mov r4,#0               ; P4
        call port_value
        movd p4,a
        mov r4,#1
        call port_value
        movd p5,a
        mov r4,#2
        call port_value
        movd p6,a
        mov r4,#3
        call port_value
        movd p7,a
        ret

; A = R3, wenn R4 der Port des Lichts ist, sonst 0.
port_value:
        mov a,r4
        xrl a,r2
        jnz dark
        mov a,r3
        ret
dark:   clr a
        ret

; R6 Millisekunden bei 6 MHz (400 Zyklen je ms, die Schleife braucht 404).
wait_ms:
        mov r7,#199             ; 2 + 199 x 2 + 2 + 2 Zyklen
wait1:  djnz r7,wait1
        nop
        nop
        djnz r6,wait_ms
        ret
