; Labels compare without regard to case; the first definition wins; a label
; alone on its line names the next code byte, even when an org follows.
Loop: nop          ; @0000 = 00
   jmp LOOP        ; @0001 = 04 00
twice: nop         ; @0003 = 00
twice: nop         ; @0004 = 00
   jmp twice       ; @0005 = 04 03
lonely:
   org 10h
   jmp lonely      ; @0010 = 04 07
