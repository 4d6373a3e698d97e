; Extended dialect: the ends of program memory and of a bank. Within its
; 2 KiB bank the program counter runs from 7FFH on to 000H, so an
; instruction must not reach across 7FFH/800H; data may.
        cpu 8048
        org 7FCh
        nop                     ; @07FC = 00
        mov a,#1                ; @07FD = 23 01
        mov a,#2                ; error: Befehl über die Grenze 7FFH/800H: der Befehlszähler springt in der Bank von 7FFH auf 000H, das zweite Byte käme von 000H
        nop                     ; @0801 = 00
        org 0FFEh
        db 1,2,3                ; error: Adresse außerhalb des Programmspeichers
        cpu 8041
        org 3FFh
        ret                     ; @03FF = 83
        nop                     ; error: Adresse außerhalb des Programmspeichers
        cpu 8042
        org 7FFh
        jmp $                   ; error: Adresse außerhalb des Programmspeichers
        cpu 8049
        org 7FFh
        db 5,6                  ; @07FF = 05 06
        org 0FFFh
        jmpp @a                 ; @0FFF = B3
; ! summary: 4 Fehler beim Assemblieren!
