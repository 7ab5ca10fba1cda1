// Published under adobesdk/.
