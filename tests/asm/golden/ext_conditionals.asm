; Extended dialect: if / elseif / else / endif, nested, with names that are
; defined later in the source.
        cpu 8048
        if MODE = 1
        mov a,#1                ; = 23 01
        elseif MODE = 2
        mov a,#2
        else
        mov a,#3
        endif
        if MODE <> 1
        nop
        elseif 1
        ret                     ; = 83
        elseif 1
        nop
        endif
        if 0
          if 1
          nop
          else
          nop
          endif
        else
          if 0
          nop
          else
          retr                  ; = 93
          endif
        endif
MODE    equ 1
        else                    ; error: ohne passenden Anfang: else
        endif                   ; error: ohne passenden Anfang: endif
        if 1                    ; error: endif fehlt
