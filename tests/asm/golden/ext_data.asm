; Extended dialect: db with any number of values and strings, dw low byte
; first, ds reserves bytes (they keep the fill byte).
        cpu 8048
        db 30h,31h,32h                  ; = 30 31 32
        db "Hallo",0Dh,0Ah,0            ; = 48 61 6C 6C 6F 0D 0A 00
        db 'abc', 'x', "it's"           ; = 61 62 63 78 69 74 27 73
        db "a;b,c:d"                    ; = 61 3B 62 2C 63 3A 64
        db -1, 255, 'A'+1               ; = FF FF 42
        dw 1234h, 0ABCDh, -2            ; = 34 12 CD AB FE FF
        ds 3
        db 1                            ; @0026 = 01
        .db 2                           ; @0027 = 02
; ! fill: FF
; ! length: 40
