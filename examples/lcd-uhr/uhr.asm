; LCD-Uhr: eine Uhr auf einer 16x2-Anzeige (HD44780) am MOVX-Bus.
; Die Platine beschreibt uhr.ini: die Anzeige liegt an den Adressen 80H
; (Befehle, Busy-Flag) und 81H (Zeichen). Der Quarz von 3,6864 MHz gibt
; 245760 Zyklen je Sekunde: genau 30 Ueberlaeufe des Timers (je 256 x 32
; Zyklen). Die Uhr beginnt um 12:00:00.
        cpu 8048

lcd_cmd equ 80h
hours   equ 20h                 ; Uhrzeit in BCD
minutes equ 21h
seconds equ 22h
ticks   equ 23h                 ; Timer-Ueberlaeufe bis zur naechsten Sekunde

        org 0
        jmp start
        org 7
        jmp tick

start:  mov r0,#hours
        mov @r0,#12h
        inc r0
        mov @r0,#0
        inc r0
        mov @r0,#0
        inc r0
        mov @r0,#30
        mov a,#38h              ; 8 Bit, 2 Zeilen (das Busy-Flag wartet die 15 ms ab)
        call lcd_command
        mov a,#0Ch              ; Anzeige an
        call lcd_command
        mov a,#01h              ; loeschen
        call lcd_command
        mov a,#06h
        call lcd_command
        clr a
        mov t,a
        en tcnti
        strt t
        mov r5,#0FFh            ; die zuletzt gezeigte Sekunde: noch keine
show:   mov r0,#seconds
        mov a,@r0
        xrl a,r5
        jz show
        mov a,@r0
        mov r5,a
        mov a,#84h              ; Zeile 1, Spalte 5
        call lcd_command
        mov r0,#hours
        call two_digits
        mov a,#':'
        call lcd_char
        mov r0,#minutes
        call two_digits
        mov a,#':'
        call lcd_char
        mov r0,#seconds
        call two_digits
        jmp show

; Die BCD-Zahl in @R0 als zwei Ziffern.
two_digits: mov a,@r0
        swap a
        anl a,#0Fh
        add a,#'0'
        call lcd_char
        mov a,@r0
        anl a,#0Fh
        add a,#'0'
        jmp lcd_char

; Befehl oder Zeichen in A an die Anzeige, wenn sie bereit ist.
lcd_command: mov r4,a
        mov r1,#lcd_cmd
        call lcd_wait
        mov a,r4
        movx @r1,a
        ret
lcd_char: mov r4,a
        mov r1,#lcd_cmd
        call lcd_wait
        inc r1
        mov a,r4
        movx @r1,a
        ret
lcd_wait: movx a,@r1
        jb7 lcd_wait
        ret

; Timer-Interrupt: nach 30 Ueberlaeufen eine Sekunde weiter.
tick:   sel rb1
        mov r7,a
        mov r0,#ticks
        mov a,@r0
        dec a
        mov @r0,a
        jnz tick_end
        mov @r0,#30
        mov r0,#seconds
        mov a,@r0
        add a,#1
        da a
        mov @r0,a
        xrl a,#60h
        jnz tick_end
        mov @r0,a               ; 00
        dec r0                  ; Minuten
        mov a,@r0
        add a,#1
        da a
        mov @r0,a
        xrl a,#60h
        jnz tick_end
        mov @r0,a
        dec r0                  ; Stunden
        mov a,@r0
        add a,#1
        da a
        mov @r0,a
        xrl a,#24h
        jnz tick_end
        mov @r0,a
tick_end: mov a,r7
        retr
