; A label just past the end of program memory is no jump target.
   jmp past        ; error: Sprungziel außerhalb des zulässigen Bereiches
   org 7FFh
   nop             ; @07FF = 00
past:
