; The macro assembler's irp (the body once for each item, the item put in
; for the name) and "count dup (values)" in a data list.
        cpu     8048
        irp     cell,r2,r3
        inc     cell
        endm
        irp     val,10h,20h,30h
        db      val+1
        endm
        db      3 dup (7)               ; @0005 = 07 07 07
        db      2 dup (1,2), 0FFh       ; = 01 02 01 02 FF
        db      0 dup (5), 9            ; = 09
        dw      2 dup (1234h)           ; = 34 12 34 12
        irp     rx,r0,r1
        mov     rx,#0
        endm
        db      COUNT dup (0AAh)        ; = AA AA
COUNT   equ     2
; ! image: 1A 1B 11 21 31 07 07 07 01 02 01 02 FF 09 34 12 34 12 B8 00 B9 00 AA AA
