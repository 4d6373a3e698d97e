; The macro assembler's operators and number forms, each line as its own
; assembler gives it: ~~ logical not, !! logical exclusive or, ^ the power,
; the ranks of its manual (& before +, << before * and +), a leading minus
; at the rank of binary minus, # the remainder, >< mirrored bits, the
; RELAXED number forms and "\x41" in quotes.
        cpu     8048
        relaxed on
        mov     a,#~~0Ch        ; = 23 00
        db      98!!115         ; = 00
        db      2^3             ; = 08
        db      4+6&3           ; = 06
        db      1<<2*3          ; = 0C
x       equ     0
        db      (8<<x+5Bh)&0FFh ; = 63
        db      -1&0Fh          ; = FF
        db      7#4             ; = 03
        db      1101b><4        ; = 0B
        mov     a,#%0101        ; = 23 05
        db      0b101           ; = 05
        db      @17             ; = 0F
        db      "ab\x41"        ; = 61 62 41
        db      2^40            ; error: Überlauf: Ergebnis passt nicht in 32 Bit: 2 ^ 40
        end
