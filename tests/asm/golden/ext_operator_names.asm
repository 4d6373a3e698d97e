; Extended dialect: hi, lo, high and low are operators where "(" follows
; them; alone they are names like any other, so a label may be called hi.
        cpu 8048
hi:     nop                     ; @0000 = 00
        jmp hi                  ; @0001 = 04 00
lo:     mov a,#lo               ; @0003 = 23 03
        mov a,#hi(1234h)        ; = 23 12
        mov a,#low (1234h)      ; = 23 34
        db lo, hi + 1           ; = 03 01
        db high                 ; error: Symbol nicht definiert: high
