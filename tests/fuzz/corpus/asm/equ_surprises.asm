; Substitution works on parts of words and on register names too.
A equ 5
   mov a,r0        ; error: Parameterfehler
LED equ 1
   mov r1,#LEDS    ; error: Parameterfehler
