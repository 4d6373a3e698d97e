; SB-Assembler convention, mistakes: a comment after a lone label or on a
; line of its own without ";" stands in the instruction field.
        .CR     8048
        .OR     $000
LOOP    wait here               ; error: kein Befehl, keine Direktive, kein Makro: wait (ein Kommentar ohne Befehl beginnt mit ";")
        pause a moment          ; error: kein Befehl, keine Direktive, kein Makro: pause (ein Kommentar ohne Befehl beginnt mit ";")
        DJNZ    R2,LOOP
        .XX     1               ; error: unbekannte Direktive: .XX
