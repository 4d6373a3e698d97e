; Tastaturcontroller: ein 8042 fragt eine 4x4-Tastenmatrix ab und gibt
; jede neu gedrueckte Taste als ASCII-Code ueber den Datenbus an den Host.
; Die Platine beschreibt tastatur.ini:
;   P1.0-P1.3 = Zeilen (low = gewaehlt), P1.4-P1.7 = Spalten (low = gedrueckt)
; Der Host-Befehl AAH (Selbsttest) wird mit 55H beantwortet, jeder andere
; Befehl mit FEH. Im Statusregister zeigt Bit 4 "bereit".
; Alle 5 ms eine Abfrage: langsamer als das Prellen der Tasten (2 ms), so
; zaehlt jeder Druck einmal.
        cpu 8042

        org 0
start:  mov a,#10h              ; Status: bereit
        mov sts,a
        mov r0,#20h             ; RAM 20H-23H: Spalten jeder Zeile bei der letzten Abfrage
        mov r2,#4
init:   mov @r0,#0F0h           ; alle offen
        inc r0
        djnz r2,init
loop:   call host
        call scan
        call wait5ms
        jmp loop

; Ein Befehl oder Datenbyte vom Host?
host:   jnibf nohost
        in a,dbb
        jf1 command             ; F1 = 1: ein Befehl (A0 = 1)
nohost: ret
command: xrl a,#0AAh
        jnz unknown
        mov a,#55h
        jmp putout
unknown: mov a,#0FEh
        jmp putout

; Alle vier Zeilen; jede Taste, die seit der letzten Abfrage geschlossen wurde.
scan:   mov r0,#20h
        mov r3,#0FEh            ; Zeile 0 low
        mov r4,#0               ; Nummer der ersten Taste der Zeile
row:    mov a,r3
        outl p1,a               ; Spalten bleiben hoch (Eingaenge)
        in a,p1
        anl a,#0F0h
        mov r5,a                ; Spalten jetzt
        xrl a,@r0
        anl a,@r0               ; vorher hoch, jetzt low: neu gedrueckt
        swap a
        mov r6,a
        mov a,r5
        mov @r0,a
        mov r7,#0               ; Spalte
col:    mov a,r6
        rrc a
        mov r6,a
        jnc nokey
        mov a,r4
        add a,r7
        call sendkey
nokey:  inc r7
        mov a,r7
        xrl a,#4
        jnz col
        inc r0
        mov a,r4
        add a,#4
        mov r4,a
        mov a,r3
        rl a
        mov r3,a
        xrl a,#0EFh             ; nach Zeile 3
        jnz row
        mov a,#0FFh
        outl p1,a
        ret

; Taste A (0-15) als ASCII-Code an den Host, sobald er das letzte Byte gelesen hat.
sendkey: movp3 a,@a
putout: jobf putout
        out dbb,a
        ret

; 5 ms bei 12 MHz (800 Zyklen je Millisekunde).
wait5ms: mov r6,#8
w1:     mov r7,#250
w2:     djnz r7,w2
        djnz r6,w1
        ret

        org 300h
keys:   db "123A456B789C*0#D"
