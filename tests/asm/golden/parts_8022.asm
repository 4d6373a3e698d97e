; The 8022: port 0, the A/D converter and reti; no user flags or bus.
        cpu     8022
        in      a,p0            ; = 08
        outl    p0,a            ; = 90
        sel     an0             ; = 85
        sel     an1             ; = 95
        rad                     ; = 80
        jt0     $               ; = 36 05
        reti                    ; = 93
        clr     f0              ; error: Befehl gibt es beim gewählten Prozessor nicht
        outl    bus,a           ; error: Befehl gibt es beim gewählten Prozessor nicht
        idl                     ; error: Befehl gibt es beim gewählten Prozessor nicht
