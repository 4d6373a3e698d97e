; Extended dialect: while and rept loops; a loop that never ends stops with
; an error instead of hanging.
        cpu 8048
        rept 3
        nop
        endm
        rept 0
        ret
        endm
n       set 0
        while n < 4
        db n*2
n       set n+1
        endm
        while $ < 0Ch
        db 0EEh
        endm
        nop                     ; @000C = 00
; ! image: 00 00 00 00 02 04 06 EE EE EE EE EE 00
