; Encoding errors stop the run before jump targets are looked at: the bad
; target in the first line is not reported.
   jmp nowhere
   mov a,#300      ; error: Wert außerhalb des zulässigen Bereiches
   foo             ; error: Syntaxfehler
