; Every line fails to encode; each gives exactly one message.
   mov a,#256      ; error: Wert außerhalb des zulässigen Bereiches
   mov a,#x        ; error: Parameterfehler
   mov a,r8        ; error: Parameterfehler
   clr             ; error: Parameterfehler
   ret a           ; error: Parameterfehler
   jc              ; error: Parameterfehler
   mov ,a          ; error: Parameterfehler
   mov @ r0,a      ; error: Parameterfehler
   mov a,#%12h     ; error: Parameterfehler
   mov a,#0FFFFFFFFh ; error: Wert außerhalb des zulässigen Bereiches
   mov a,#4294967297 ; error: Wert außerhalb des zulässigen Bereiches
   db 100000041h   ; error: Wert außerhalb des zulässigen Bereiches
   org 4294967296  ; error: Wert außerhalb des zulässigen Bereiches
   db 300          ; error: Wert außerhalb des zulässigen Bereiches
   db abc          ; error: Parameterfehler
   db 'abc'        ; error: Parameterfehler
   db 30h,31h,32h  ; error: nur ein Wert pro db erlaubt; mehrere Werte nimmt der erweiterte Dialekt (einzuschalten mit einer cpu-Zeile, z. B. cpu 8048)
   .DB 'a','b'     ; error: nur ein Wert pro db erlaubt; mehrere Werte nimmt der erweiterte Dialekt (einzuschalten mit einer cpu-Zeile, z. B. cpu 8048)
   org 800h        ; error: Wert außerhalb des zulässigen Bereiches
   org 'a'         ; error: Parameterfehler
   foo a           ; error: Syntaxfehler
   $$$$            ; error: Syntaxfehler
   equ 5           ; error: Syntaxfehler
x: end             ; error: Syntaxfehler
   END ; the source ends here
   foo             ; never read
