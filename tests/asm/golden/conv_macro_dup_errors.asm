; The macro assembler's dup, wrongly: too many bytes, too deep, a negative
; count, a missing parenthesis.
        cpu     8048
        db      65536 dup (65536 dup (1))       ; error: Adresse außerhalb des Programmspeichers
        db      1 dup (1 dup (1 dup (1 dup (1 dup (1 dup (1 dup (1 dup (1 dup (1))))))))) ; error: Parameterfehler
        db      3 dup (7                        ; error: Fehler im Ausdruck: dup
        db      -1 dup (7)                      ; error: Wert außerhalb des zulässigen Bereiches: -1 (erlaubt 0 bis 65536)
        db      2 dup (1 dup (4), 5)            ; @0000 = 04 05 04 05
; ! summary: 4 Fehler beim Assemblieren!
