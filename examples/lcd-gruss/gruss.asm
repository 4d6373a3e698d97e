; LCD-Gruss: schreibt zwei Zeilen auf eine 16x2-Anzeige (HD44780), die
; mit 4 Datenleitungen an P1 haengt. Die Platine beschreibt gruss.ini.
;   P1.4-P1.7 = DB4-DB7, P1.0 = RS, P1.1 = R/W, P1.2 = E
; Vor jedem Byte liest das Programm das Busy-Flag.
        cpu 8048

lcd_rs  equ 01h
lcd_rw  equ 02h
lcd_e   equ 04h

        org 0
start:  mov a,#0F0h             ; Datenleitungen hoch, RS, R/W und E low
        outl p1,a
        mov r6,#20              ; nach dem Einschalten 15 ms warten
        call wait_ms
        mov a,#30h              ; dreimal "8 Bit", wie das Datenblatt es will
        call nibble
        mov r6,#5
        call wait_ms
        mov a,#30h
        call nibble
        mov r6,#1
        call wait_ms
        mov a,#30h
        call nibble
        mov r6,#1
        call wait_ms
        mov a,#20h              ; dann "4 Bit"
        call nibble
        mov r6,#1
        call wait_ms
        mov a,#28h              ; 4 Bit, 2 Zeilen, 5x8 Punkte
        call command
        mov a,#0Ch              ; Anzeige an, kein Cursor
        call command
        mov a,#01h              ; loeschen
        call command
        mov a,#06h              ; Adresse zaehlt aufwaerts
        call command
        mov r1,#00h             ; line1 - 300H
        call print
        mov a,#0C0h             ; Zeile 2
        call command
        mov r1,#0Dh             ; line2 - 300H
        call print
done:   jmp done

; Eine Haelfte eines Befehls (A7-A4), ohne Busy-Flag: nur beim Einschalten.
nibble: anl a,#0F0h
        outl p1,a
        orl p1,#lcd_e
        anl p1,#0FBh
        ret

; Ein Befehl (command) oder ein Zeichen (char) in A.
command: mov r5,#0
        jmp send
char:   mov r5,#lcd_rs
send:   mov r4,a
        call wait_busy
        mov a,r4
        anl a,#0F0h
        orl a,r5
        outl p1,a
        orl p1,#lcd_e
        anl p1,#0FBh
        mov a,r4
        swap a
        anl a,#0F0h
        orl a,r5
        outl p1,a
        orl p1,#lcd_e
        anl p1,#0FBh
        ret

; Wartet, bis die Anzeige nicht mehr beschaeftigt ist (DB7 = Busy-Flag).
wait_busy: mov a,#0F0h | lcd_rw
        outl p1,a
busy:   orl p1,#lcd_e
        in a,p1
        anl p1,#0FBh
        orl p1,#lcd_e           ; die zweite Haelfte (Adresse) verwerfen
        anl p1,#0FBh
        jb7 busy
        ret

; Die Zeichen ab Adresse 300H + R1 bis zum Byte 00H.
print:  mov a,r1
        movp3 a,@a
        jz printed
        call char
        inc r1
        jmp print
printed: ret

; R6 Millisekunden bei 6 MHz (400 Zyklen je Millisekunde).
wait_ms: mov r7,#200
ms:     djnz r7,ms
        djnz r6,wait_ms
        ret

        org 300h
line1:  db "Hallo, Welt!", 0
line2:  db "zorvin", 0
