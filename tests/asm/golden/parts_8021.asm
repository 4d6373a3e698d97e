; The 8021: port 0, T1 and the timer; no T0, interrupts, banks or PSW.
        cpu     8021
        in      a,p0            ; = 08
        outl    p0,a            ; = 90
        jt1     $               ; = 56 02
        mov     a,t             ; = 42
        jt0     $               ; error: Befehl gibt es beim gewählten Prozessor nicht
        en      i               ; error: Befehl gibt es beim gewählten Prozessor nicht
        sel     rb1             ; error: Befehl gibt es beim gewählten Prozessor nicht
        rad                     ; error: Befehl gibt es beim gewählten Prozessor nicht
        org     3FFh
        nop                     ; @03FF = 00
