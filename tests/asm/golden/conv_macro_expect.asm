; expect ... endexpect: the lines between must give the messages named by
; the macro assembler's numbers; those are then no messages at all. A number
; no line gave, or a message not named, is an error.
        cpu     8048
        expect  1010
        jmp     nowhere         ; @0000 = 04 00
        endexpect
        expect  1320, 1010
        mov     a,#300
        mov     r0,#1           ; @0002 = B8 01
        endexpect               ; error: erwarteter Fehler ist nicht aufgetreten: 1010 (Symbol nicht definiert)
        expect  1320
        nop                     ; = 00
        endexpect               ; error: erwarteter Fehler ist nicht aufgetreten: 1320 (Wert außerhalb des zulässigen Bereiches)
        expect  1010
        jmp     nowhere2        ; @0005 = 04 00
        mov     a,#300          ; error: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)
        endexpect
        assume  mb:1
        expect  110
        jmp     10h             ; = 04 10
        endexpect
        expect  1200, 1000
twice:  nop
twice:  nop
        frobnicate
        endexpect
        expect  9999            ; error: diese Fehlernummer kennt zorvin nicht: 9999
        endexpect
        endexpect               ; error: ohne passenden Anfang: endexpect
        expect  1010
        expect  1010            ; error: expect in expect: erst endexpect
        endexpect               ; error: erwarteter Fehler ist nicht aufgetreten: 1010 (Symbol nicht definiert)
        expect  1500
        cpu     8041
        movx    a,@r0
        endexpect
        expect  1470            ; error: endexpect fehlt
        if      1               ; error: endif fehlt
