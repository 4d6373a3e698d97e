; The macro assembler's bank selection: a long jmp or call into the other
; 2 KiB bank gets a sel mb0/mb1 in front of it, unless assume mb says which
; bank is selected; then a target elsewhere is only a warning. A jump to a
; name defined further on takes another pass when it grows.
        cpu     8048
        org     0
        jmp     high            ; @0000 = F5 04 10
        call    low             ; @0003 = 14 20
        assume  mb:1
        jmp     high            ; @0005 = 04 10
        assume  mb:nothing
        call    high            ; @0007 = F5 14 10
        jmp     $+2             ; @000A = 04 0C
        org     20h
low:    ret                     ; @0020 = 83
        org     810h
high:   jmp     low             ; @0810 = E5 04 20
        jmp     high            ; @0813 = 04 10
        assume  mb:0
        jmp     low             ; @0815 = 04 20
        assume  mb:1
        jmp     0FFFh           ; @0817 = E4 FF
        assume  MB:Nothing
        call    7FFh            ; @0819 = E5 F4 FF
; ! listing: 000 F5
; ! listing: 001 04 10
; ! listing: 003 14 20
; ! listing: 005 04 10
; ! listing: 007 F5
; ! listing: 008 14 10
; ! listing: 00A 04 0C
; ! listing: 020 83
; ! listing: 810 E5
; ! listing: 811 04 20
; ! listing: 813 04 10
; ! listing: 815 04 20
; ! listing: 817 E4 FF
; ! listing: 819 E5
; ! listing: 81A F4 FF
