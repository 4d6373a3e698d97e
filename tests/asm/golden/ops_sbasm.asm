        .cr     8048
        .tf     prog.bin,BIN
; SB-Assembler's number forms and operators: a blank after a comma, 0b, @,
; %1010.0101, 'A and "A" with bit 7, ~ and the byte selectors over the
; whole expression, true as 0FFFFFFFFh, .DW keeping 16 bits, a colon
; after a label before .AS.
        mov     a, #1           ; = 23 01
        .db     1, 2            ; = 01 02
        .db     0b0101          ; = 05
        .db     @17             ; = 0F
        .db     %1010.0101      ; = A5
        mov     a,#'A+1         ; = 23 42
        mov     a,#"A"          ; = 23 C1
        mov     a,#"B           ; = 23 C2
        .db     ~1+1            ; = FD
        mov     a,/$1234+$100   ; = 23 13
        mov     a,=$123456      ; = 23 12
        mov     a,\$12345678    ; = 23 12
        .db     2<3>5,2<3\7     ; = FF 03
        .dw     $10000+5,-$82DA ; = 05 00 26 7D
MSG:    .as     /ab/            ; = 61 62
M2:     .az     !3g!            ; = 33 67 00
