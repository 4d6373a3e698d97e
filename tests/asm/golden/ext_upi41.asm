; Extended dialect: the UPI-41/42 instruction set of the 8041/8042.
        cpu 8041
        in a,dbb                ; = 22
        out dbb,a               ; = 02
        mov sts,a               ; = 90
        en dma                  ; = E5
        en flags                ; = F5
        en i                    ; = 05
        dis tcnti               ; = 35
loop:   jobf loop               ; = 86 07
        jnibf loop              ; = D6 07
        jf0 loop                ; = B6 07
        jf1 loop                ; = 76 07
        cpl f1                  ; = B5
        movx a,@r0              ; error: Befehl gibt es beim 8041/8042 nicht
        ins a,bus               ; error: Befehl gibt es beim 8041/8042 nicht
        outl bus,a              ; error: Befehl gibt es beim 8041/8042 nicht
        orl bus,#1              ; error: Befehl gibt es beim 8041/8042 nicht
        jni loop                ; error: Befehl gibt es beim 8041/8042 nicht
        sel mb1                 ; error: Befehl gibt es beim 8041/8042 nicht
        ent0 clk                ; error: Befehl gibt es beim 8041/8042 nicht
