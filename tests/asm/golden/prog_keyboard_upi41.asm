; Program in the style of a keyboard controller ROM for the 8041A: host
; commands from the data bus buffer, status and flag outputs, a command
; table dispatched through jmpp @a, replies through out dbb,a.
        cpu 8041
STS_BUSY equ 10h
cmd     reg r2

        org 0
        jmp init
        org 3
        jmp ibf_int             ; input buffer full
        org 7
        retr
init:   en flags
        mov a,#STS_BUSY
        mov sts,a
        en i
idle:   jobf idle               ; until the host has read the last byte
        jmp idle

ibf_int:
        in a,dbb
        mov cmd,a
        anl a,#03h
        add a,#lo(cmds)
        jmpp @a
cmds:   db lo(c_ack), lo(c_id), lo(c_echo), lo(c_ack)
c_ack:  mov a,#0FAh
        jmp reply
c_id:   mov a,#'K'
        jmp reply
c_echo: mov a,cmd
reply:  jnibf send
        retr
send:   out dbb,a
        clr f0
        cpl f1
        jf1 done
        jt0 done
done:   retr
; ! image: 04 08 00 04 11 00 00 93 F5 23 10 90 05 86 0D 04
; ! image: 0D 22 AA 53 03 03 18 B3 1C 20 24 1C 23 FA 04 25
; ! image: 23 4B 04 25 FA D6 28 93 02 85 B5 76 2F 36 2F 93
