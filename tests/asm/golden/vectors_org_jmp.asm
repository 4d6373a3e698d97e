; Reset, interrupt and timer vectors, each jumping forward to its handler.
ORG 0
   JMP START      ; @0000 = 04 0D
; comment lines in between change nothing
ORG 3
   JMP ISR        ; @0003 = 04 09
ORG 7
   JMP TIMER      ; @0007 = 04 0B
ISR:
   NOP            ; @0009 = 00
   RETR           ; @000A = 93
TIMER:
   NOP            ; @000B = 00
   RETR           ; @000C = 93
START:
   SEL RB0        ; @000D = C5
   SEL MB0        ; @000E = E5
HAUPT:
   NOP            ; @000F = 00
   JMP HAUPT      ; @0010 = 04 0F
END
; ! image: 04 0D 00 04 09 00 00 04 0B 00 93 00 93 C5 E5 00 04 0F
