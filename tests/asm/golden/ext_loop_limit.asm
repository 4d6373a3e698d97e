; Extended dialect: loops and macros that would never end are cut off with
; an error; the run itself always ends.
        cpu 8048
        while 1                 ; error: Schleife nach 65536 Durchläufen abgebrochen
        endm
again   macro
        again
        endm
        again                   ; error: Makros und Schleifen zu tief verschachtelt (mehr als 64 Ebenen)
        rept 2                  ; error: endm fehlt
        nop
