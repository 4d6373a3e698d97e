; The macro assembler's strings: \x with one or two hexadecimal digits is
; that byte; without a digit the x stands for itself.
        cpu     8048
        db      "ok\x21"                ; @0000 = 6F 6B 21
        db      "\x7", "\x414"          ; = 07 41 34
        db      "\xZ"                   ; = 78 5A
        mov     a,#'\x0D'               ; = 23 0D
