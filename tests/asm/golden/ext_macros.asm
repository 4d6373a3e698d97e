; Extended dialect: macros with parameters, labels local to one expansion,
; exitm, a loop inside a macro, and a macro that calls another.
        cpu 8048
delay   macro reg, count
        mov reg,#count
wait:   djnz reg,wait
        endm
show    macro value
        mov a,#value
        outl p1,a
        endm
twice   macro value
        show value
        show value+1
        endm
early   macro n
        nop
        if n > 1
        exitm
        endif
        ret
        endm
fill    macro dest, byte
        while $ < dest
        db byte
        endm
        endm
        delay r7, 10            ; @0000 = BF 0A EF 02
        delay r6, 20            ; @0004 = BE 14 EE 06
        twice 41h               ; @0008 = 23 41 39 23 42 39
        early 1                 ; @000E = 00 83
        early 2                 ; @0010 = 00
        fill 16h, 0FFh          ; @0011 = FF FF FF FF FF
        nop                     ; @0016 = 00
        delay r1                ; error: Fehler im Ausdruck: Wert fehlt
        show 1,2                ; error: Parameterfehler
