; A value made of an address that the value itself moves: "gap" is the
; address after a block of 1 - gap bytes, which no value satisfies. The
; passes give up and name the symbol that kept changing.
        cpu     8048            ; error: Adressen kommen nach 10 Durchläufen nicht zur Ruhe: gap
gap     equ     after
        ds      1 - gap
after:  nop
