; Parts with one bank of program memory put nothing in front of a jump, and
; the sel mb0/mb1 put in keeps the later addresses and labels right.
        cpu     8048
        org     7F0h
        jmp     target          ; @07F0 = F5 04 00
after:  jmp     after           ; @07F3 = E4 F3
        org     800h
target: jmp     after           ; @0800 = E5 E4 F3
        cpu     8021
        org     0
        jmp     3FFh            ; @0000 = 64 FF
        assume  mb:0
        assume  mb:2            ; error: Wert außerhalb des zulässigen Bereiches: 2 (erlaubt 0 bis 0)
        assume  xy:1            ; error: assume kennt nur mb:0, mb:1 oder mb:nothing: xy:1
        assume  mb              ; error: assume kennt nur mb:0, mb:1 oder mb:nothing: mb
        assume  mb:1            ; error: Wert außerhalb des zulässigen Bereiches: 1 (erlaubt 0 bis 0)
