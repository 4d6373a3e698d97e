; Extended dialect: UPI-41/42 instructions are errors for the 8048 family.
        cpu 8049
        in a,dbb                ; error: Befehl gibt es nur beim 8041/8042 (cpu 8041)
        jobf $                  ; error: Befehl gibt es nur beim 8041/8042 (cpu 8041)
        en flags                ; error: Befehl gibt es nur beim 8041/8042 (cpu 8041)
        movx a,@r0              ; = 80
        cpu 8051                ; error: unbekannter Prozessor: 8051
