; The macro assembler's data words beyond db and dw, lowest byte first:
; dn 4 bits (two to a byte, the first in the low half), dd 32 bits, dq 64
; bits, dt packed decimal (18 digits, then a sign byte) and do the value as
; an IEEE binary128 number; dup repeats in each of them.
        cpu     8048
        dd      12345678h       ; = 78 56 34 12
        dd      -1              ; = FF FF FF FF
        dq      -2              ; = FE FF FF FF FF FF FF FF
        dq      1234h           ; = 34 12 00 00 00 00 00 00
        dn      1,2,3           ; = 21 03
        dn      -1, 0Fh         ; = FF
        dn      2 dup (5,6)     ; = 65 65
        dt      1234            ; = 34 12 00 00 00 00 00 00 00 00
        dt      -99             ; = 99 00 00 00 00 00 00 00 00 80
        dt      2147483647      ; = 47 36 48 47 21 00 00 00 00 00
        do      1               ; = 00 00 00 00 00 00 00 00 00 00 00 00 00 00 FF 3F
        do      -3              ; = 00 00 00 00 00 00 00 00 00 00 00 00 00 80 00 C0
        do      0               ; = 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00
        dd      2 dup (1)       ; = 01 00 00 00 01 00 00 00
        dn      16              ; error: Wert außerhalb des zulässigen Bereiches: 16 (erlaubt -8 bis 15)
        dn      -9              ; error: Wert außerhalb des zulässigen Bereiches: -9 (erlaubt -8 bis 15)
        dd      1.5             ; error: Gleitkommazahlen legt zorvin nicht ab, nur ganze Zahlen: 1.5
        do      2.0             ; error: Gleitkommazahlen legt zorvin nicht ab, nur ganze Zahlen: 2.0
        dq      "AB"            ; error: Parameterfehler
        dt                      ; error: Parameterfehler
