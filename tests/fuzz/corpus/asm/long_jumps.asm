; jmp and call carry the target's page (A10..A8) in the opcode's top bits.
   org 100h
start: nop         ; @0100 = 00
   jmp start       ; @0101 = 24 00
   call sub        ; @0103 = 54 A0
   call top        ; @0105 = F4 FF
   jmp far         ; @0107 = 64 45
   call far        ; @0109 = 74 45
   org 2A0h
sub: ret           ; @02A0 = 83
   org 345h
far: nop           ; @0345 = 00
   org 7FFh
top: ret           ; @07FF = 83
; ! length: 2048
