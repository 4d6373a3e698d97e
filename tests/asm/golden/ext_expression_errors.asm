; Extended dialect: expressions that cannot be read or whose value does not
; fit say so, and say what it is.
        cpu 8048
        mov a,#256              ; error: Wert außerhalb des zulässigen Bereiches: 256 (erlaubt -128 bis 255)
        mov a,#-129             ; error: Wert außerhalb des zulässigen Bereiches: -129 (erlaubt -128 bis 255)
        mov a,#10/0             ; error: Division durch null
        mov a,#12X              ; error: ungültige Zahl: 12X
        mov a,#102B             ; error: ungültige Zahl: 102B
        mov a,#"ab"             ; error: Zeichenkette ist hier kein Wert: "ab"
        mov a,#(1+2             ; error: Fehler im Ausdruck: ) fehlt
        mov a,#1+               ; error: Fehler im Ausdruck: Wert fehlt
        mov a,#1 2              ; error: Fehler im Ausdruck: 2
        mov a,#'xy'             ; error: Zeichenkette ist hier kein Wert: 'xy'
        org 1000h               ; error: Wert außerhalb des zulässigen Bereiches: 4096 (erlaubt 0 bis 4095)
; a value without # where only an immediate can stand: read as #5, with a warning line
        mov a,5                 ; = 23 05
        mov psw,5               ; error: Parameterfehler
        frob a                  ; error: Syntaxfehler
