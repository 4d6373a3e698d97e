nop
; ! listing: 000 00
; ! image: 00
