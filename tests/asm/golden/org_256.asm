org 256
nop                ; @0100 = 00
; ! listing: 100 00
; ! length: 257
