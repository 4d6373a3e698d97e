; Extended dialect: jump and call targets are expressions, checked against
; 000H-0FFFH (the 8048's two banks) and the page of the second byte.
        cpu 8048
        jmp $+2                 ; @0000 = 04 02
        djnz r7,$               ; @0002 = EF 02
        jz $                    ; @0004 = C6 04
        call sub+1              ; @0006 = 54 A1
        jmp 345h                ; = 64 45
        call 7FFh               ; = F4 FF
        jnc next                ; = E6 0E
next:   jmp 1000h               ; error: Sprungziel außerhalb des zulässigen Bereiches: 1000H
        call -1                 ; error: Sprungziel außerhalb des zulässigen Bereiches: -1
        org 0FEh
        jz far                  ; error: Sprungziel außerhalb der aktuellen Seite: 0200H
        org 0FFh
        jnz 0F0h                ; error: Sprungziel außerhalb der aktuellen Seite: 00F0H
        org 1FDh
        jnz 1F0h                ; @01FD = 96 F0
        org 2A0h
sub:    nop
        ret
        org 200h
far:    nop
