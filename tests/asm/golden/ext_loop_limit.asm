; Extended dialect: a loop that would never end is cut off with an error
; and ends the pass; the run itself always ends.
        cpu 8048
        while 1                 ; error: Schleife nach 65536 Durchläufen abgebrochen
        endm
        nop
