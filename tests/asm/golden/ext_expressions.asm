; Extended dialect: numbers in every notation, character constants and
; expressions wherever a number stands.
        cpu 8048
        mov a,#255              ; = 23 FF
        mov a,#0FFh             ; = 23 FF
        mov a,#%00011111        ; = 23 1F
        mov a,#0x1F             ; = 23 1F
        mov a,#FFh              ; = 23 FF
        mov a,#01111110B        ; = 23 7E
        mov a,#17Q              ; = 23 0F
        mov a,#'9'+1            ; = 23 3A
        mov a,#';'              ; = 23 3B
        mov a,#','              ; = 23 2C
        mov a,#':'              ; = 23 3A
        mov a,#'\''             ; = 23 27
        mov a,#'\\'             ; = 23 5C
        mov a,#'\n'             ; = 23 0A
        mov a,#(58-2)/2         ; = 23 1C
        mov a,#2+3*4            ; = 23 0E
        mov a,#(2+3)*4          ; = 23 14
        mov a,#17 mod 5         ; = 23 02
        mov a,#0F0h | 0Fh       ; = 23 FF
        mov a,#0F0h & 3Ch       ; = 23 30
        mov a,#0FFh ! 0Fh       ; = 23 F0
        mov a,#~0 & 0FFh        ; = 23 FF
        mov a,#1 << 7           ; = 23 80
        mov a,#80h >> 4         ; = 23 08
        mov a,#-1               ; = 23 FF
        mov a,#-(-5)            ; = 23 05
        mov a,#3 < 4            ; = 23 01
        mov a,#3 >= 4           ; = 23 00
        mov a,#5 = 5            ; = 23 01
        mov a,#5 <> 5           ; = 23 00
        mov a,#lo(1234h)        ; = 23 34
        mov a,#hi(1234h)        ; = 23 12
        mov a,#LOW(0ABCDh)      ; = 23 CD
        mov a,#High(0ABCDh)+1   ; = 23 AC
here:   mov a,#lo($)            ; @0044 = 23 44
        mov a,#here & 0FFh      ; @0046 = 23 44
        org $+3Eh
        mov a,#lo($-2)          ; @0086 = 23 84
