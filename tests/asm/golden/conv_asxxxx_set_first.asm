.set    BASE, 0x40
        mov     r0,#BASE        ; @0000 = B8 40
.define SPAN, 4
        mov     r1,#BASE+SPAN   ; = B9 44
