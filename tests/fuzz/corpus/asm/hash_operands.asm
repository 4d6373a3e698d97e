; A "#" in a db or org operand is dropped like the "#" of an immediate.
   db #5           ; = 05
   db '#'          ; = 23
   org #100h
   nop             ; @0100 = 00
; ! length: 257
