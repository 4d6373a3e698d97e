; A small monitor as hobby 8048 boards have it: 9600 bit/s 8N1 sent on
; P2.7 and received on T0, both bit-banged with counted delays. After the
; banner it prompts with ">" and echoes what is typed; a line ends with CR.
;   D aa      shows the 8 bytes of internal RAM from aa: "aa: xx xx ... xx"
;   S aa dd   writes dd to aa and shows it read back: "aa: dd"
; Anything else answers "?". Only XTAL has to change for another crystal:
; the delays follow from it.
        cpu 8048
XTAL    equ 6000000             ; crystal in Hz
BAUD    equ 9600
BIT     equ (XTAL / 15 + BAUD / 2) / BAUD   ; machine cycles per bit, rounded

; delay n: exactly n cycles (n >= 4) in r7
delay   macro n
        mov r7,#((n) - 2) / 2
        djnz r7,$
        if ((n) - 2) mod 2
        nop
        endif
        endm

        org 0
        jmp start

        org 10h
start:  orl p2,#80h             ; line idle
        mov r1,#lo(banner)
        call puts
cmd:    mov r1,#lo(prompt)
        call puts
        call getch
        anl a,#0DFh             ; letters upper case; CR stays CR
        mov r1,a
        xrl a,#0Dh
        jz cmd                  ; an empty line: a new prompt
        mov a,r1
        xrl a,#'D'
        jz dump
        mov a,r1
        xrl a,#'S'
        jz store
        call getch              ; an unknown command: the rest of the line
        mov r1,a
error:  mov a,r1                ; r1: the last character read
skip:   xrl a,#0Dh
        jz what
        call getch
        jmp skip
what:   mov r1,#lo(query)
        call puts
        jmp cmd

; D aa: the address, then CR
dump:   call gethex
        mov a,r3
        jz error
        mov a,r1
        xrl a,#0Dh
        jnz error
        mov a,r2
        mov r0,a
        call addr
        mov r3,#8
dbyte:  mov a,#' '
        call putc
        mov a,@r0
        call puthex
        inc r0
        djnz r3,dbyte
        jmp cmd

; S aa dd: the address and a space, the value, then CR
store:  call gethex
        mov a,r3
        jz error
        mov a,r1
        xrl a,#' '
        jnz error
        mov a,r2
        mov r0,a
        call gethex
        mov a,r3
        jz error
        mov a,r1
        xrl a,#0Dh
        jnz error
        mov a,r2
        mov @r0,a
        call addr
        mov a,#' '
        call putc
        mov a,@r0
        call puthex
        jmp cmd

; CR LF, then r0 in hex and ":"
addr:   mov r1,#lo(newline)
        call puts
        mov a,r0
        call puthex
        mov a,#':'
        jmp putc

; gethex: spaces, then hex digits up to another character; r2 the value
; (last two digits), r3 the number of digits, r1 the character that ended it
gethex: mov r2,#0
        mov r3,#0
ghnext: call getch
        mov r1,a
        call hexval
        jnc ghend
        xch a,r2
        swap a
        anl a,#0F0h
        orl a,r2
        mov r2,a
        inc r3
        jmp ghnext
ghend:  mov a,r1
        xrl a,#' '
        jnz ghdone
        mov a,r3
        jz ghnext               ; spaces before the number
ghdone: ret

; hexval: C set and A the value when A holds a hex digit (either case)
hexval: add a,#-'0'
        jnc nothex
        mov r4,a
        add a,#-10
        jnc digit
        mov a,r4
        anl a,#0DFh             ; 'a'-'0' becomes 'A'-'0'
        add a,#-('A' - '0')
        jnc nothex
        add a,#-6
        jc nothex
        add a,#16               ; x - 6 + 16: x + 10, and C set
        ret
digit:  mov a,r4
        clr c
        cpl c
        ret
nothex: clr c
        ret

; puthex: A as two hex digits
puthex: mov r4,a
        swap a
        call nibble
        mov a,r4
nibble: anl a,#0Fh
        add a,#-10
        jc letter
        add a,#'0' + 10
        jmp putc
letter: add a,#'A'
        jmp putc

; puts: the text at r1 in page 3, up to its 0
puts:   mov a,r1
        movp3 a,@a
        jz psdone
        call putc
        inc r1
        jmp puts
psdone: ret

; getch: getc and its echo; CR is not echoed (the answer starts a line)
getch:  call getc
        xrl a,#0Dh
        jz gcr
        xrl a,#0Dh
        jmp putc
gcr:    mov a,#0Dh
        ret

        org 100h
; putc: sends A (kept) as start bit, 8 data bits and stop bit, each BIT
; cycles from port write to port write; C set shifts in the stop bit.
putc:   mov r6,a
        clr c
        cpl c
        anl p2,#7Fh             ; start bit
        mov r5,#9
        delay BIT - 11
        nop
        nop
        nop
        nop
pbit:   rrc a                   ; 1 cycle
        jc pone                 ; 2
        anl p2,#7Fh             ; 2
        jmp pnext               ; 2
pone:   orl p2,#80h             ; 2
        jmp pnext               ; 2
pnext:  delay BIT - 9
        djnz r5,pbit            ; 2
        mov a,r6
        ret

; getc: waits for a start bit on T0, samples each bit in its middle and
; returns the byte in A
getc:   jt0 getc
        mov r5,#8               ; 2
        delay BIT + BIT / 2 - 4
gbit:   rr a                    ; 1
        jnt0 gzero              ; 2, the sample
        orl a,#80h              ; 2
        jmp gnext               ; 2
gzero:  anl a,#7Fh              ; 2
        jmp gnext               ; 2
gnext:  delay BIT - 9
        djnz r5,gbit            ; 2
        ret

        org 300h
banner: db 0Dh,0Ah,"8048-Monitor 1.0",0
prompt: db 0Dh,0Ah,">",0
newline: db 0Dh,0Ah,0
query:  db 0Dh,0Ah,"?",0
