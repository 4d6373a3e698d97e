; Table lookup: mnemonics and operands in any case, rows tried in order.
   mov a,#12h      ; = 23 12
   mov a,#'A'      ; = 23 41
   mov @r1,#0      ; = B1 00
   mov a, r0       ; = F8
   MOV A,R0        ; = F8
   MOV A,R7        ; = FF
	MOV	A , @R0   ; = F0
   djnz r0,#5      ; = E8 05
   movx a,@r0      ; = 80
   in a,p0         ; = 08
   ins a,bus       ; = 08
   outl p0,a       ; = 90
   movx @r0,a      ; = 90
   movp3 a,@a      ; = E3
   movp a,@a       ; = A3
   anl bus,#0F0h   ; = 98 F0
   mov a,r0,r1     ; = F8
   nop             ; = 00
   ret             ; = 83
   jmpp @a         ; = B3
; Numbers in every notation.
   mov a,#255      ; = 23 FF
   mov a,#0FFh     ; = 23 FF
   mov a,#0ffH     ; = 23 FF
   mov a,#%1F      ; = 23 1F
   mov a,#0x1F     ; = 23 1F
   mov a,#FFh      ; = 23 FF
   mov a,#007      ; = 23 07
   mov a,#' '      ; = 23 20
   mov a,#'''      ; = 23 27
; Data bytes: one number or character literal (several are an error).
   db 'x'          ; = 78
   db 1            ; = 01
   .db 0FFh        ; = FF
   DB %10          ; = 10
