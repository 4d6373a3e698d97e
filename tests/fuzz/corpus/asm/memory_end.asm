; Nothing is placed beyond 7FFH: each line that would is an error.
   org 7FEh
   nop             ; @07FE = 00
   nop             ; @07FF = 00
   nop             ; error: Adresse außerhalb des Programmspeichers
   org 7FFh
   mov a,#1        ; error: Adresse außerhalb des Programmspeichers
