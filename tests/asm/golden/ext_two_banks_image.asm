; Code above 7FFH: the image holds 4 KiB up to the last byte used. A
; jump into the other bank gets its sel mb0/mb1 in front.
        cpu 8049
        org 0
        jmp 800h                ; @0000 = F5 04 00
        org 800h
        jmp 0                   ; @0800 = E5 04 00
        org 0FFEh
        db 'z', 0A5h            ; @0FFE = 7A A5
; ! fill: FF
; ! length: 4096
