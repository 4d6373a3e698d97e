; SB-Assembler data and macro mistakes: each line has its message, and the
; lines after them keep their addresses. A jump or call without its target
; is a mistake, not a jump to 0.
        .CR     8048
        .OR     $000
        .HS     0102A           ; error: Parameterfehler
        .HS     0G              ; error: Parameterfehler
        >NOSUCH 1               ; error: kein Befehl, keine Direktive, kein Makro: NOSUCH (ein Kommentar ohne Befehl beginnt mit ";")
        .BS     2,300           ; error: Wert außerhalb des zulässigen Bereiches: 300 (erlaubt -128 bis 255)
        .NO     $10,$1FF        ; error: Wert außerhalb des zulässigen Bereiches: 511 (erlaubt -128 bis 255)
        .DA     #               ; error: Fehler im Ausdruck: #
        JMP                     ; error: Parameterfehler
        CALL                    ; error: Parameterfehler
        NOP                     ; @0000 = 00
; ! summary: 8 Fehler beim Assemblieren!
