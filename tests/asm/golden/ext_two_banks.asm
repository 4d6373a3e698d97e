; Extended dialect on the 8048: 4 KiB of program memory in two banks of
; 2 KiB. jmp and call carry the low 11 bits of the target; sel mb0/mb1
; picks the bank at run time. Where the source says which bank it selected
; (assume mb), nothing is put in; a target in another bank is a warning.
        cpu 8048
        org 0
        sel mb1                 ; @0000 = F5
        assume mb:1
        call far                ; @0001 = 54 10
        sel mb0                 ; @0003 = E5
        assume mb:0
        jmp near                ; @0004 = 04 06
near:   jmp near                ; @0006 = 04 06
        org 0A10h
        assume mb:1
far:    djnz r7,far             ; @0A10 = EF 10
        jnz 0AF0h               ; @0A12 = 96 F0
        jmp far                 ; @0A14 = 44 10
        ret                     ; @0A16 = 83
        org 0FFFh
        db 55h                  ; @0FFF = 55
        org 1000h               ; error: Wert außerhalb des zulässigen Bereiches: 4096 (erlaubt 0 bis 4095)
        cpu 8041
        org 400h                ; error: Wert außerhalb des zulässigen Bereiches: 1024 (erlaubt 0 bis 1023)
        cpu 8042
        org 800h                ; error: Wert außerhalb des zulässigen Bereiches: 2048 (erlaubt 0 bis 2047)
; ! summary: 3 Fehler beim Assemblieren!
