; Conditional jumps and djnz stay in the page of their second byte.
   org 0F0h
back: nop          ; @00F0 = 00
   org 0FDh
   jz back         ; @00FD = C6 F0
   org 10h
loop: nop          ; @0010 = 00
   nop             ; @0011 = 00
   djnz r7,loop    ; @0012 = EF 10
; A jump whose first byte stands at the end of a page reaches the next page.
   org 0FFh
   jnz fwd         ; @00FF = 96 05
   org 105h
fwd: nop           ; @0105 = 00
   org 1FEh
   djnz r0,fwd2    ; @01FE = E8 80
   org 180h
fwd2: nop          ; @0180 = 00
